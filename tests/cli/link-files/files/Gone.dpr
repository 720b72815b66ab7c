library Gone;

{$R 'gone.res'}
end.
