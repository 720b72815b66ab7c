library App;
{$E DEU}
{$R 'F.dfm'}
end.
