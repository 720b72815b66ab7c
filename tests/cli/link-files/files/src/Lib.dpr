library Demo;
{$E DEU}
{$R 'forms\main.dfm'}
{$R '../DEMO/project/GREETING.RES'}
end.
